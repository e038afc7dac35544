#pragma once
// A small XML settings file whose values are addressed by colon-separated paths of
// element names ("CONFIG:INT:THRESHOLD"), read with a default and written back by the
// same path, missing elements being created on the way. A cursor (the push level)
// lets a caller step into repeated elements and use paths relative to them.
//
// Exported from the library: the member signatures are part of its export table.
#include <tinyxml.h>

#include <string>

class ofxXmlSettings {
public:
    ofxXmlSettings();
    ofxXmlSettings(const ofxXmlSettings& other);
    ofxXmlSettings& operator=(const ofxXmlSettings& other);
    ~ofxXmlSettings();

    void setVerbose(bool verbose);

    // Names that start neither with "/" nor with "data/" are taken from the folder "data/".
    bool loadFile(std::string path);
    void saveFile(std::string path);

    // Deletes everything below the cursor.
    void clear();

    // `which` chooses among same-named elements at the first name of the path only.
    int getValue(std::string tag, int defaultValue, int which = 0);
    float getValue(std::string tag, double defaultValue, int which = 0);
    std::string getValue(std::string tag, std::string defaultValue, int which = 0);

    // Results: the number of elements named like the first name below the cursor, minus 1.
    // A `which` of -1 appends.
    int setValue(std::string tag, int value, int which = 0);
    int setValue(std::string tag, double value, int which = 0);
    int setValue(std::string tag, std::string value, int which = 0);
    int addValue(std::string tag, int value);
    int addValue(std::string tag, double value);
    int addValue(std::string tag, std::string value);
    int addTag(std::string tag);

    // Only the first name of `tag` counts.
    bool pushTag(std::string tag, int which = 0);
    int popTag();
    int getPushLevel();

    bool tagExists(std::string tag, int which = 0);
    int getNumTags(std::string tag);
    void removeTag(std::string tag, int which = 0);
    void clearTagContents(std::string tag, int which = 0);

protected:
    // `buffer` holds 1024 characters; a value is cut to 1023 of them.
    bool readTag(std::string tag, char* buffer, int which = 0);
    int writeTag(std::string tag, char* valueText, int which = 0);

private:
    TiXmlDocument document;
    TiXmlNode* current;
    int pushLevel;
};

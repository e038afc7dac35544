#pragma once
#include <string>
#include <vector>

#include "core/schedule/Schedule.h"
#include "core/settings/ProjectorFields.h"
#include "framework/PropertyPage.h"

// The weekly schedule and the projectors it switches: entries added, changed and deleted
// from the fields beside the list, each checked as it is entered. The schedule file and
// the projector keys are written on OK and Apply, and only when they changed; Cancel
// leaves them as they were.
class CSchedulePage : public kit::PropertyPage {
public:
    CSchedulePage();
    ~CSchedulePage() override;

    const std::vector<schedule::Entry>& Entries() const { return entries_; }
    // What the page stores on OK and Apply.
    void Store();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    // OK and Apply store the page; with an address that does not read nothing is stored:
    // told, and the sheet stays open.
    bool OnApply() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    HWND List() const;
    void ShowEntries(int select);
    void ShowEntry(int index);
    int Selected() const;
    // The entry the fields describe; false, after telling why, when they make no sense.
    bool ReadFields(schedule::Entry& entry);
    void OnAdd();
    void OnChange();
    void OnDelete();
    void OnChoosePlaylist();
    void OnTryProjectors();
    void Refuse(const wchar_t* textId, const std::wstring& detail = std::wstring());

    std::vector<schedule::Entry> entries_;
    bool changed_ = false;
    CProjectorFields projectors_;
};

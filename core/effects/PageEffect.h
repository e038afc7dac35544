#pragma once
#include <map>
#include <string>
#include <vector>

#include "core/effects/PlaylistEditing.h"
#include "framework/PropertyPage.h"

// The settings sheet's playlist page: effects added with a play time (optionally behind a
// password), times edited in place, rows deleted or played at once. The playlist goes back
// to the library and to its file when the window goes, whichever way the sheet closed.
class CPageEffect : public kit::PropertyPage {
public:
    static constexpr float kMinimumMinutes = 1.5f;
    static constexpr int kNativeMaximumMinutes = 20;

    CPageEffect();
    ~CPageEffect() override;

    // The files chosen in the add dialog, in its order, each checked against the rules.
    void AddChosenFiles(const std::vector<std::wstring>& paths);
    // The rows as they stand, in list order.
    std::vector<tessaly::PlaylistRow> Rows() const;
    // To the library's playlist and the playlist file.
    void SavePlaylist();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    void OnDestroy() override;

private:
    HWND List() const { return Item(5031); }
    void AppendRow(const std::wstring& path, const std::wstring& timeText, bool markMissing = false);
    void OnAddEffects();
    void OnDeleteSelected();
    void OnDeleteAll();
    void OnPlaySelected();
    void OnListDoubleClick(const NMITEMACTIVATE& click);
    void BeginTimeEdit(int row);
    void CommitTimeEdit();
    std::vector<std::wstring> ChooseFiles();
    void Warn(const std::wstring& text);

    float timeValue_ = 8.5f;
    int editingRow_ = -1;
    std::map<int, std::wstring> paths_;
    int nextKey_ = 0;
    std::wstring password_;
};

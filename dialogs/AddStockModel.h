// The portable half of the add-stock sheet: the direct page's OK rule, the search page's two
// modes (keyword input and result list) with the texts and states of their controls, and the
// progress bar's arithmetic while searches run. All texts are Shift-JIS.
// Plain values: user-interface thread only (the search threads never touch them).
#pragma once

#include <string>

namespace quotrix {

// The direct page: the sheet's OK button is enabled exactly when the code box is not empty.
inline bool DirectPageOkEnabled(const std::string& codeText) { return !codeText.empty(); }

// The progress bar of the search page. Every keyword has 20 steps; while a keyword's search
// runs, a creeping sub-step (0 to 15) shows that something happens between two reports.
class SearchProgress {
  public:
    static constexpr int kStepsPerKeyword = 20;
    static constexpr int kMaxSubStep = 15;

    // Keywords handed to the search object; the range grows with them.
    void AddKeywords(int count);
    // A report of the search threads: `outstanding` searches still run. Answers whether the bar
    // stays shown; when nothing is outstanding the bookkeeping starts afresh.
    bool Report(int outstanding);
    // The searches were stopped (no further report will come).
    void Reset();

    int Queued() const { return queued_; }
    int RangeMax() const { return queued_ * kStepsPerKeyword; }
    int Position() const { return position_; }
    int SubStep() const { return subStep_; }
    bool Running() const { return queued_ > 0; }

  private:
    int queued_ = 0;
    int lastOutstanding_ = 0;
    int subStep_ = 0;
    int position_ = 0;
};

// The search page's modes and what its controls show in each.
class SearchPageModel {
  public:
    // Keyword-input mode (true) or result-list mode (false).
    bool KeywordMode() const { return keywordMode_; }
    void EnterKeywordMode();
    // In result mode OK is enabled while the list holds rows, until a row's check changes.
    void EnterResultMode(int rows);
    // The keyword box's text or the list's row count changed.
    void SetKeywordText(const std::string& text) { keywordEmpty_ = text.empty(); }
    void SetRowCount(int rows) { rows_ = rows; }
    // A row's check changed: from then on OK follows whether any row is checked.
    void RowStateChanged(int checkedRows);

    const std::string& Prompt() const;
    const std::string& MainButtonCaption() const;
    // In result mode the button always leads back to the keywords.
    bool MainButtonEnabled() const { return !keywordMode_ || !keywordEmpty_ || rows_ > 0; }
    bool SelectButtonsShown() const { return !keywordMode_; }
    bool HintShown() const { return keywordMode_; }
    bool OkEnabled() const { return !keywordMode_ && (checkSeen_ ? anyChecked_ : rows_ > 0); }
    int Rows() const { return rows_; }

  private:
    bool keywordMode_ = true;
    bool keywordEmpty_ = true;
    bool checkSeen_ = false;  // a row's check changed since result mode began
    bool anyChecked_ = false;
    int rows_ = 0;
};

// The search page's texts and messages.
const std::string& SearchingText();           // "検索中..."
const std::string& NoMatchText();             // "該当する銘柄はありません。"
const std::string& NoMatchCaption();          // "検索結果"
const std::string& SearchStartFailedText();   // "検索処理の起動に失敗しました。"
const std::string& SearchCreateFailedText();  // "検索オブジェクトの生成に失敗しました。"

}  // namespace quotrix

#include "dialogs/AddStockModel.h"

#include <algorithm>

#include "platform/TextCodec.h"

namespace quotrix {

void SearchProgress::AddKeywords(int count) {
    if (count > 0) queued_ += count;
}

bool SearchProgress::Report(int outstanding) {
    if (outstanding <= 0) {
        Reset();
        return false;
    }
    if (outstanding != lastOutstanding_) {
        lastOutstanding_ = outstanding;
        subStep_ = 0;
    }
    subStep_ = std::min(subStep_ + (subStep_ < 10 ? 3 : 1), kMaxSubStep);
    // Searches stopped earlier may still report after new ones started: the bar never leaves its
    // range.
    position_ = std::clamp((queued_ - outstanding) * kStepsPerKeyword + subStep_, 0, RangeMax());
    return true;
}

void SearchProgress::Reset() {
    queued_ = 0;
    lastOutstanding_ = 0;
    subStep_ = 0;
    position_ = 0;
}

void SearchPageModel::EnterKeywordMode() { keywordMode_ = true; }

void SearchPageModel::EnterResultMode(int rows) {
    keywordMode_ = false;
    rows_ = rows;
    checkSeen_ = false;
}

void SearchPageModel::RowStateChanged(int checkedRows) {
    checkSeen_ = true;
    anyChecked_ = checkedRows > 0;
}

const std::string& SearchPageModel::Prompt() const {
    return keywordMode_ ? SJIS("キーワード、銘柄名、銘柄コード等を入力してください。")
                        : SJIS("追加する銘柄にチェックしてください。");
}

const std::string& SearchPageModel::MainButtonCaption() const {
    if (!keywordMode_) return SJIS("キーワード入力に戻る(&B)");
    return rows_ > 0 ? SJIS("検索/結果表示(&S)") : SJIS("検索(&S)");
}

const std::string& SearchingText() { return SJIS("検索中..."); }
const std::string& NoMatchText() { return SJIS("該当する銘柄はありません。"); }
const std::string& NoMatchCaption() { return SJIS("検索結果"); }
const std::string& SearchStartFailedText() { return SJIS("検索処理の起動に失敗しました。"); }
const std::string& SearchCreateFailedText() { return SJIS("検索オブジェクトの生成に失敗しました。"); }

}  // namespace quotrix

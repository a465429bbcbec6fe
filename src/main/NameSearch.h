#pragma once

#include "masterfile/MasterNames.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::mainwin {

// Finding a drug by typing the start of its name. A clinic's names come in
// every form Shift-JIS allows (ｶﾛﾅｰﾙ, カロナール, ＯＤ錠, OD錠) and the staff type
// them through an input method (かろなーる), so names and typed text are both
// brought to one search key before they are compared:
//   - half-width katakana become full-width, a sound mark joining its kana
//     (ｶﾞ and ガ are one character), hiragana become katakana;
//   - full-width letters, digits and signs become ASCII, letters upper case;
//   - spaces are left out (Space picks the entry, so nobody types one);
//   - everything else (kanji, other signs) is compared as it is.
// The key is Shift-JIS bytes again, so a name's key is made without decoding
// it and a typed key that is a byte prefix of a name's key is a prefix of it
// character by character.
std::string searchKey(std::string_view sjis);
// The key of typed text; nullopt when it holds a character Shift-JIS can't
// hold, which no name can begin with.
std::optional<std::string> searchKey(const QString& typed);

// The search keys of a master list, made on the first search after the names
// changed; 200,000 names take a few milliseconds to index and one search is a
// pass over the keys in file order (the file is in the clinic's order, not
// sorted), so the first entry in file order that matches is found.
class NameSearchIndex {
  public:
    // The names have changed: the keys are made again on the next search.
    void invalidate() { built_ = false; }
    // The first entry whose key begins with key; nullopt for an empty key.
    std::optional<int> findFirst(const masterfile::MasterNames& names, std::string_view key);
    // The nearest such entry after row (forward) or before it.
    std::optional<int> findNext(const masterfile::MasterNames& names, std::string_view key, int row,
                                bool forward);

  private:
    void build(const masterfile::MasterNames& names);
    bool matches(size_t row, std::string_view key) const;

    bool built_ = false;
    std::string keys_;
    std::vector<uint32_t> ends_;  // where each entry's key ends in keys_
};

// What has been typed into the list since the last pause: each piece of text
// (a key's character, an input method's committed text) extends the query
// and the list goes to the first entry that matches the whole of it. A query
// that matches nothing stays (the user sees what was typed) and the list
// stays on the last entry that matched.
class TypeAhead {
  public:
    struct Step {
        std::optional<int> row;  // where the list goes; nullopt: it stays
        bool matched = false;    // the whole query matches an entry
    };

    Step type(const masterfile::MasterNames& names, const QString& text);
    // Down or Up while the query is shown: the next or previous entry that
    // matches it, so that the drugs of one name are gone through in turn
    // even where the file doesn't keep them together.
    Step step(const masterfile::MasterNames& names, int fromRow, bool forward);
    // Backspace: the query loses its last character and is matched again.
    Step erase(const masterfile::MasterNames& names);
    void reset() { query_.clear(); }
    const QString& query() const { return query_; }
    bool active() const { return !query_.isEmpty(); }
    // The master list changed.
    void invalidate() { index_.invalidate(); }

  private:
    Step match(const masterfile::MasterNames& names);

    QString query_;
    NameSearchIndex index_;
};

}  // namespace dorimek::mainwin

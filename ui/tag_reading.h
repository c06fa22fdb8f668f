// The "Tag" column's reading: which rows' tags to read, what was read, and
// the text a tag's tempo shows as.
//
// A request names rows by index and path, with the number of the listing
// it belongs to (the dialog counts its listings); a result is applied only
// to a row of the same listing that still holds the same path, so a result
// that arrives after the list was refilled or re-sorted changes nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TagReadItem {
  int row = 0;
  std::string path;
  std::string text;  // in a result: the tag's tempo as shown, empty for none
};

struct TagReadRequest {
  uint64_t listing = 0;
  std::vector<TagReadItem> items;
};

// The text of a tag's tempo: whole tempi without decimals ("128"), others
// with two ("127.50"); empty for none.
std::string TagTempoText(std::optional<double> bpm);

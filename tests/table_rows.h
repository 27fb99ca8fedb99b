// Shared by the logic's table tests: rows named in ctest's listing, and texts
// laid into fixed fields as the program's own callers lay them.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace notremovable {

// Names each row of a table by its `name` field.
struct RowName {
  template <class Row>
  std::string operator()(const testing::TestParamInfo<Row>& row) const {
    return row.param.name;
  }
};

// Copies the text into the field and terminates it where there is room: a text
// as long as the field stays unterminated, as a misbehaving call could leave it.
template <std::size_t FieldSize>
void LayIntoField(const std::string& text, char (&field)[FieldSize]) {
  if (text.size() > FieldSize) {
    ADD_FAILURE() << "a row's text is longer than its field";
    field[0] = '\0';
    return;
  }
  std::memcpy(field, text.data(), text.size());
  if (text.size() < FieldSize) {
    field[text.size()] = '\0';
  }
}

}  // namespace notremovable

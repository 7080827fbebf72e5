#include "cmdfile/CmdLine.h"

#include <gtest/gtest.h>

TEST(CmdLineCut, CommentAndBlanks) {
  struct Row {
    std::string in, out;
  } rows[] = {
      {"0001=1>2;", "0001=1>2;"},
      {"  0001=1; \t", "0001=1;"},
      {"0001=1; ! note", "0001=1;"},
      {"!title", ""},
      {"/M10/ !first ! second", "/M10/"},
      {"\x83\x5c\x83\x74\x83\x67;!x", "\x83\x5c\x83\x74\x83\x67;"},  // trail bytes 0x5C, 0x74 kept
      {std::string("0001=\0;", 7), std::string("0001=\0;", 7)},
      {"", ""},
      {"   ", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(CmdLine_Cut(r.in), r.out) << r.in;
}

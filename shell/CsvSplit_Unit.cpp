#include "shell/CsvSplit_Unit.h"

#include "platform/Cp932.h"
#include "platform/FileSys.h"

TCsvSplit::~TCsvSplit() {
  if (file_) std::fclose(file_);
}

bool TCsvSplit::Open(const std::string& name) {
  if (file_) Close();
  FILE* f = fsys::OpenRegularStream(name);
  if (!f) return false;
  file_ = f;
  FileName = name;
  return true;
}

bool TCsvSplit::Close() {
  if (!file_) {
    FileName.clear();
    return true;
  }
  FILE* f = file_;
  file_ = nullptr;
  if (std::fclose(f) != 0) return false;
  FileName.clear();
  return true;
}

bool TCsvSplit::Eof() {
  if (!file_) return true;
  int c = std::getc(file_);
  if (c == EOF) return true;
  std::ungetc(c, file_);
  return false;
}

bool TCsvSplit::ReadLine(std::vector<std::string>& fields) {
  fields.clear();
  if (!file_) return false;
  std::string line;
  bool any = false;
  for (;;) {
    int c = std::getc(file_);
    if (c == EOF) break;
    any = true;
    if (c == '\n') break;
    line += static_cast<char>(c);
  }
  if (std::ferror(file_)) {
    Close();
    return false;
  }
  if (!any) return true;  // end of file: no field
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return SplitLine(line, fields);
}

size_t TCsvSplit::PosFrom(long start, std::string_view text, std::string_view search) {
  if (search.empty() || text.empty()) return 0;
  size_t from = 1;
  if (start > 0) {
    if (static_cast<size_t>(start) > text.size()) return 0;
    from = static_cast<size_t>(start);
    size_t i = from - 1;
    if (cp932::IsCharBoundary(text, i) && cp932::IsLeadByte(static_cast<unsigned char>(text[i])) &&
        i + 1 < text.size())
      from += 2;
  }
  // Walk character by character from the start of the text, so that a
  // trail byte is never taken for the beginning of a match.
  size_t i = 0;
  while (i < text.size()) {
    if (i + 1 >= from && text.size() - i >= search.size() &&
        text.compare(i, search.size(), search) == 0)
      return i + 1;
    bool dbcs = cp932::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    i += dbcs ? 2 : 1;
  }
  return 0;
}

std::string TCsvSplit::ReplaceAll(std::string_view text, std::string_view search,
                                  std::string_view replacement) {
  if (search.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text.size() - i >= search.size() && text.compare(i, search.size(), search) == 0) {
      out.append(replacement);
      i += search.size();
      continue;
    }
    bool dbcs = cp932::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    size_t n = dbcs ? 2 : 1;
    out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

bool TCsvSplit::SplitLine(std::string_view line, std::vector<std::string>& fields) {
  fields.clear();
  const size_t len = line.size();
  if (len == 0) return true;
  size_t p = 1;  // 1-based, as the rules are written
  for (;;) {
    size_t b;
    std::string field;
    if (line[p - 1] == '"') {
      b = PosFrom(static_cast<long>(p + 1), line, "\",");
      // A quote that ends the line closes the field.
      if (b == 0 && line.back() == '"') b = len;
      size_t first = p + 1;                  // 1-based first byte of the field
      size_t last = b == 0 ? len : b - 1;    // 1-based last byte
      if (first <= last && first <= len) field = ReplaceAll(line.substr(first - 1, last - first + 1), "\"\"", "\"");
      p = b + 2;
    } else {
      b = PosFrom(static_cast<long>(p), line, ",");
      size_t last = b == 0 ? len : b - 1;
      if (p <= last) field = std::string(line.substr(p - 1, last - p + 1));
      p = b + 1;
    }
    fields.push_back(std::move(field));
    if (b == 0 || p > len) break;
  }
  return true;
}

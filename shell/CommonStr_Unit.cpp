#include "shell/CommonStr_Unit.h"

#include "platform/Cp932.h"

void Common_SplitComma(std::vector<std::string>& list, std::string_view text) {
  std::string piece;
  for (char c : text) {
    if (c == ',') {
      list.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  list.push_back(std::move(piece));
}

std::string Common_SwapCommaPipe(std::string_view text, bool toComma) {
  const char from = toComma ? '|' : ',';
  const char to = toComma ? ',' : '|';
  std::string out(text);
  for (size_t i = 0; i < out.size();) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (cp932::IsLeadByte(c) && i + 1 < out.size()) {
      i += 2;
      continue;
    }
    if (out[i] == from) out[i] = to;
    ++i;
  }
  return out;
}

std::string Common_GroupDigits(std::string_view text) {
  if (text.size() <= 3) return std::string(text);
  size_t first = text.size() % 3;
  if (first == 0) first = 3;
  std::string out(text.substr(0, first));
  for (size_t i = first; i < text.size(); i += 3) {
    out += ',';
    out.append(text.substr(i, 3));
  }
  return out;
}

std::string Common_FitTextBy(std::string_view text, int width,
                             const std::function<int(std::string_view)>& measure) {
  if (text.empty()) return std::string();
  if (measure(text) <= width) return std::string(text);
  // Characters are taken off whole: a lead byte left before the dots would
  // swallow the first dot on display.
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t cut = cp932::CutLength(rest, rest.size() - 1);
    rest = rest.substr(0, cut);
    if (rest.empty() || measure(rest) <= width) break;
  }
  return std::string(rest) + "..";
}

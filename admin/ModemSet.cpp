#include "admin/ModemSet.h"

#include "link/EnvNew_Unit.h"
#include "link/SettingsText.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"

namespace {

unsigned char Fold(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

void Store(ModemKind& k, const ModemCmds& c) {
  k.initCmd = c.init;
  k.dialCmd1 = c.dial1;
  k.dialCmd2 = c.dial2;
  k.hangUpCmd1 = c.cut1;
  k.hangUpCmd2 = c.cut2;
}

}  // namespace

ModemCmds ModemSet_Commands(const ModemKind& k) {
  return {k.initCmd, k.dialCmd1, k.dialCmd2, k.hangUpCmd1, k.hangUpCmd2};
}

int ModemSet_BadDial(const ModemCmds& c) {
  if (Env_DialHasToneLetter(c.dial1)) return 1;
  if (Env_DialHasToneLetter(c.dial2)) return 2;
  return 0;
}

bool ModemSet_SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (cp932::IsLeadByte(x) && i + 1 < a.size()) {
      // Equal so far, so both stand at a lead byte: the pair must match as it is.
      if (x != y || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (Fold(x) != Fold(y)) {
      return false;
    }
  }
  return true;
}

int ModemSet_Find(const ModemTable& t, std::string_view name) {
  for (int i = 0; i < t.Count(); ++i)
    if (ModemSet_SameName(t.kinds[i].name, name)) return i;
  return -1;
}

std::string ModemSet_Trim(std::string_view name) {
  size_t b = 0, e = name.size();
  while (b < e && static_cast<unsigned char>(name[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(name[e - 1]) <= ' ') --e;
  return std::string(name.substr(b, e - b));
}

void ModemSetList::Load(const std::string& dir) {
  selected = -1;
  ModemFile_Read(dir, table);
}

int ModemSetList::Switch(int index, ModemCmds& edits, int& bad) {
  bad = 0;
  if (index == selected) return 0;
  if ((bad = ModemSet_BadDial(edits)) != 0) return 3;
  if (selected >= 0 && selected < table.Count()) Store(table.kinds[selected], edits);
  selected = index >= 0 && index < table.Count() ? index : -1;
  edits = selected >= 0 ? ModemSet_Commands(table.kinds[selected]) : ModemCmds{};
  return 0;
}

ModemRegResult ModemSetList::Register(const std::string& typedName, const ModemCmds& edits,
                                      const std::string& path, const ModemSetAsk& ask) {
  ModemRegResult r;
  if (ModemSet_Trim(typedName).empty()) {
    r.message = 303;
    r.focus = ModemFocus::Kind;
    return r;
  }
  int found = ModemSet_Find(table, typedName);
  if (found < 0 && table.Count() >= kModemKindsMax) {
    r.message = 302;
    r.focus = ModemFocus::Kind;
    return r;
  }
  if (int bad = ModemSet_BadDial(edits)) {
    r.message = 3;
    r.focus = bad == 1 ? ModemFocus::Dial1 : ModemFocus::Dial2;
    return r;
  }
  if (fsys::FileExists(path) && ask("7005") != 1) return r;

  int index = found;
  if (found < 0) {
    index = table.Count();
    table.kinds.push_back({typedName, {}, {}, {}, {}, {}});
  } else if (table.kinds[found].name != typedName) {
    table.kinds[found].name = typedName;
    r.renamed = true;
  }
  Store(table.kinds[index], edits);

  int msg = settings::StoreFile(path, ModemFile_Format(table), 9005, 8045);
  if (msg != 0) {
    r.message = msg;
    if (found < 0) {
      table.kinds.pop_back();
      return r;
    }
  } else {
    r.added = found < 0;
  }
  // The edits belong to this kind now: a later switch stores them there.
  r.index = index;
  selected = index;
  return r;
}

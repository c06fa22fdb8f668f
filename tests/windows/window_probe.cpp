// tempyra-window-probe: reads the main window of a running tempyra.exe from
// another process, as a test sees it from outside:
//
//   tempyra-window-probe rows             the track list's row count
//   tempyra-window-probe path             the source path's text
//   tempyra-window-probe text ID          the text of control ID
//   tempyra-window-probe rect ID          control ID's rectangle on the screen
//   tempyra-window-probe enabled ID       1 when control ID is enabled, else 0
//   tempyra-window-probe row-rect ROW     row ROW's rectangle on the screen,
//                                         scrolled into view first
//   tempyra-window-probe cell ROW COLUMN  the text of a cell of the list
//   tempyra-window-probe image ROW        the image index of a row
//   tempyra-window-probe columns          the list's column count
//   tempyra-window-probe menu-open        "open" while a menu is open,
//                                         else "closed"
//   tempyra-window-probe message          the text of the message box
//                                         the window shows
//   tempyra-window-probe forge-results    starts a run (Project > Analyze
//                                         Files), sends the window 1026
//                                         (the dialog manager's
//                                         DM_REPOSITION) and 1027 without
//                                         the analysis worker's mark, and
//                                         prints the status line before
//                                         and after them
//
// Rectangles print as "X Y WIDTH HEIGHT" in screen pixels. Texts come
// through messages the system carries between processes; a list cell, which
// the list view writes into its caller's memory, through a block of memory
// lent in the program's own process.
//
// Prints the value on standard output. Exit status 0, or 1 while there is
// no such window, control, row or box (yet), 2 for a wrong command line.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "ui/dialog_ids.h"
#include "ui/dialog_template.h"

namespace {

constexpr int kNotThere = 1;
constexpr int kUsage = 2;
// The id of a message box's text.
constexpr int kMessageBoxText = 0xFFFF;
// The numbers of the analysis worker's result messages.
constexpr UINT kAnalysisDone = WM_USER + 2;
constexpr UINT kAnalysisFailed = WM_USER + 3;
// Project > Analyze Files.
constexpr WPARAM kAnalyzeFiles = 32777;

struct Found {
  HWND main = nullptr;     // the dialog with the track list
  HWND message = nullptr;  // a box of the same caption without one
  bool menuOpen = false;   // a menu's window is shown
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  auto& found = *reinterpret_cast<Found*>(data);
  wchar_t className[16] = {};
  GetClassNameW(window, className, static_cast<int>(std::size(className)));
  if (!IsWindowVisible(window)) return TRUE;
  if (std::wstring(className) == L"#32768") found.menuOpen = true;
  if (std::wstring(className) != L"#32770") return TRUE;
  wchar_t title[64] = {};
  GetWindowTextW(window, title, static_cast<int>(std::size(title)));
  if (title != WideFromUtf8(kMainDialogTitle)) return TRUE;
  if (GetDlgItem(window, kTrackListView) != nullptr)
    found.main = window;
  else if (GetDlgItem(window, kMessageBoxText) != nullptr)
    found.message = window;
  return TRUE;
}

Found FindWindows() {
  Found found;
  EnumWindows(&Visit, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string WindowText(HWND window) {
  const int length = static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return Utf8FromWide(text);
}

void PrintRect(const RECT& rect) {
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
}

// Memory in the process of the window `window`, for a message whose
// answer the control writes through a pointer.
class RemoteBlock {
 public:
  RemoteBlock(HWND window, size_t size) : size_(size) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (process_ != nullptr)
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  ~RemoteBlock() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  bool Usable() const { return address_ != nullptr; }
  char* Address() const { return static_cast<char*>(address_); }
  bool Write(size_t offset, const void* data, size_t size) {
    return offset + size <= size_ &&
           WriteProcessMemory(process_, Address() + offset, data, size, nullptr);
  }
  bool Read(size_t offset, void* data, size_t size) {
    return offset + size <= size_ &&
           ReadProcessMemory(process_, Address() + offset, data, size, nullptr);
  }

 private:
  size_t size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

int Cell(HWND list, int row, int column) {
  constexpr int kCharacters = 1024;
  RemoteBlock block(list, sizeof(LVITEMW) + kCharacters * sizeof(wchar_t));
  if (!block.Usable()) return kNotThere;
  LVITEMW item{};
  item.iSubItem = column;
  item.cchTextMax = kCharacters;
  item.pszText = reinterpret_cast<wchar_t*>(block.Address() + sizeof(LVITEMW));
  if (!block.Write(0, &item, sizeof item)) return kNotThere;
  const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                   reinterpret_cast<LPARAM>(block.Address()));
  std::wstring text(static_cast<size_t>(length), L'\0');
  if (length > 0 && !block.Read(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t)))
    return kNotThere;
  std::printf("%s\n", Utf8FromWide(text).c_str());
  return 0;
}

int Image(HWND list, int row) {
  RemoteBlock block(list, sizeof(LVITEMW));
  if (!block.Usable()) return kNotThere;
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  if (!block.Write(0, &item, sizeof item)) return kNotThere;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.Address())) ||
      !block.Read(0, &item, sizeof item))
    return kNotThere;
  std::printf("%d\n", item.iImage);
  return 0;
}

int RowRect(HWND list, int row) {
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  RemoteBlock block(list, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  if (!block.Usable() || !block.Write(0, &rect, sizeof rect)) return kNotThere;
  if (!SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                    reinterpret_cast<LPARAM>(block.Address())) ||
      !block.Read(0, &rect, sizeof rect))
    return kNotThere;
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  PrintRect(rect);
  return 0;
}

int Number(const char* text) {
  return static_cast<int>(std::strtol(text, nullptr, 10));
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string what = args.empty() ? "" : args[0];
  const size_t needed = what == "cell" ? 3
                        : (what == "text" || what == "rect" || what == "enabled" ||
                           what == "row-rect" || what == "image")
                            ? 2
                            : 1;
  if (what.empty() || args.size() != needed) {
    std::fprintf(stderr,
                 "usage: tempyra-window-probe rows|path|columns|message|menu-open|forge-results | "
                 "text|rect|enabled ID | row-rect ROW | cell ROW COLUMN | image ROW\n");
    return kUsage;
  }
  const Found found = FindWindows();
  if (what == "menu-open") {
    std::printf("%s\n", found.menuOpen ? "open" : "closed");
    return 0;
  }
  if (what == "message") {
    if (found.message == nullptr) return kNotThere;
    std::printf("%s\n", WindowText(GetDlgItem(found.message, kMessageBoxText)).c_str());
    return 0;
  }
  HWND window = found.main;
  if (window == nullptr) return kNotThere;
  HWND list = GetDlgItem(window, kTrackListView);
  if (what == "forge-results") {
    HWND status = GetDlgItem(window, kStatusLine);
    // Sent messages go before the posted ones: the worker's first result
    // cannot come between these, and the run is at its first file.
    SendMessageW(window, WM_COMMAND, kAnalyzeFiles, 0);
    const std::string before = WindowText(status);
    SendMessageW(window, kAnalysisDone, 0, 0);
    SendMessageW(window, kAnalysisFailed, 0, 0);
    std::printf("%s\n%s\n", before.c_str(), WindowText(status).c_str());
    return 0;
  }
  if (what == "rows") {
    std::printf("%d\n", static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
  } else if (what == "path") {
    std::printf("%s\n", WindowText(GetDlgItem(window, kSourcePath)).c_str());
  } else if (what == "columns") {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (header == nullptr) return kNotThere;
    std::printf("%d\n", static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)));
  } else if (what == "text" || what == "rect" || what == "enabled") {
    HWND control = GetDlgItem(window, Number(args[1].c_str()));
    if (control == nullptr) return kNotThere;
    if (what == "text") {
      std::printf("%s\n", WindowText(control).c_str());
    } else if (what == "enabled") {
      std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    } else {
      RECT rect{};
      GetWindowRect(control, &rect);
      PrintRect(rect);
    }
  } else {
    const int row = Number(args[1].c_str());
    if (row < 0 || row >= static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)))
      return kNotThere;
    if (what == "row-rect") return RowRect(list, row);
    if (what == "image") return Image(list, row);
    return Cell(list, row, Number(args[2].c_str()));
  }
  return 0;
}

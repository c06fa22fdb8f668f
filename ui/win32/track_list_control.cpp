// The virtual list view over the TrackList. See track_list_control.h.
#include "ui/win32/track_list_control.h"

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "ui/artwork.h"
#include "ui/display_text.h"
#include "ui/main_dialog.h"
#include "ui/track_list_columns.h"
#include "ui/win32/picture_bitmap.h"

namespace {

constexpr int kRowImageSize = 16;
constexpr int kRowImageCount = 6;

}  // namespace

TrackListControl::TrackListControl(MainDialog& dialog)
    : dialog_(dialog),
      tracks_(dialog.Tracks()),
      fitters_{ColumnFitter(0, [this](std::string_view text) { return TextWidth(text); }),
               ColumnFitter(1, [this](std::string_view text) { return TextWidth(text); })} {
  tracks_.AddObserver(this);
}

TrackListControl::~TrackListControl() {
  tracks_.RemoveObserver(this);
  // The control has LVS_SHAREIMAGELISTS: the image list is ours to free.
  if (images_ != nullptr) ImageList_Destroy(images_);
}

void TrackListControl::Attach(HWND list) {
  list_ = list;
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  MakeRowImages(PixelsPerInch());
  for (int column = 0; column < kTrackListColumnCount; ++column) {
    std::wstring title = WideFromUtf8(TrackListColumnTitle(column));
    LVCOLUMNW entry{};
    entry.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    entry.fmt = LVCFMT_LEFT;
    entry.cx =
        TrackListColumnWidth(column, TextWidth(TrackListColumnTitle(column)), PixelsPerInch());
    entry.pszText = title.data();
    ListView_InsertColumn(list_, column, &entry);
  }
}

void TrackListControl::MakeRowImages(int pixelsPerInch) {
  if (list_ == nullptr) return;
  // Twice or three times as large on a screen of twice or three times the
  // density, each pixel a square: sharp, never smoothed.
  const int factor = std::max(1, pixelsPerInch / 96);
  // With a mask as well as the alpha: an image list takes a picture whose
  // every pixel is transparent (the empty row image) as one without alpha,
  // and would draw it black.
  HIMAGELIST images = ImageList_Create(kRowImageSize * factor, kRowImageSize * factor,
                                       ILC_COLOR32 | ILC_MASK, kRowImageCount, 0);
  for (int image = 0; image < kRowImageCount; ++image) {
    const RgbaPicture picture = Enlarged(RowImagePicture(static_cast<RowImage>(image)), factor);
    HBITMAP bitmap = BitmapWithAlpha(picture);
    HBITMAP mask = TransparencyMask(picture);
    ImageList_Add(images, bitmap, mask);
    DeleteObject(bitmap);
    DeleteObject(mask);
  }
  ListView_SetImageList(list_, images, LVSIL_SMALL);
  // The control has LVS_SHAREIMAGELISTS: the list it drew before is ours.
  if (images_ != nullptr) ImageList_Destroy(images_);
  images_ = images;
}

void TrackListControl::OnRowChanged(int row) {
  changed_.Mark(row);
  for (ColumnFitter& fitter : fitters_) fitter.Invalidate(row);
}

void TrackListControl::OnRowsReset() {
  changed_.MarkAll();
  for (ColumnFitter& fitter : fitters_) fitter.InvalidateAll();
}

void TrackListControl::Render() {
  if (list_ == nullptr) return;
  rendering_ = true;
  ShowTagColumn(dialog_.ShowsTags());
  const int count = tracks_.RowCount();
  if (ListView_GetItemCount(list_) != count)
    ListView_SetItemCountEx(list_, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  if (const std::optional<RowRange> rows = changed_.Take(count)) {
    if (const std::optional<bool> all = UniformSelection(tracks_, *rows)) {
      // All rows alike: one call for the whole list.
      ListView_SetItemState(list_, -1, *all ? LVIS_SELECTED : 0, LVIS_SELECTED);
    } else {
      for (int row = rows->first; row <= rows->last; ++row) {
        const bool wanted = tracks_.Row(row).selected;
        if ((ListView_GetItemState(list_, row, LVIS_SELECTED) != 0) != wanted)
          ListView_SetItemState(list_, row, wanted ? LVIS_SELECTED : 0, LVIS_SELECTED);
      }
    }
    ListView_RedrawItems(list_, rows->first, rows->last);
  }
  rendering_ = false;
}

void TrackListControl::FitColumn(int column) {
  if (list_ == nullptr || column < 0 || column >= kTrackListColumnCount) return;
  const int widest = fitters_[column].Widest(tracks_, TrackListColumnTitle(column));
  ListView_SetColumnWidth(list_, column, TrackListColumnWidth(column, widest, PixelsPerInch()));
}

void TrackListControl::ShowTagColumn(bool show) {
  const int columns = Header_GetItemCount(ListView_GetHeader(list_));
  if (show == (columns > kTagColumn)) return;
  if (!show) {
    ListView_DeleteColumn(list_, kTagColumn);
    return;
  }
  std::wstring title = WideFromUtf8(kTagColumnTitle);
  LVCOLUMNW entry{};
  entry.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
  entry.fmt = LVCFMT_LEFT;
  entry.iSubItem = kTagColumn;
  // Wide enough for the title and a tempo with two decimals.
  entry.cx = TrackListColumnWidth(
      kTagColumn, std::max(TextWidth(kTagColumnTitle), TextWidth(kWidestTagText)), PixelsPerInch());
  entry.pszText = title.data();
  ListView_InsertColumn(list_, kTagColumn, &entry);
}

int TrackListControl::RowAt(POINT& screen, bool fromKeyboard) const {
  if (list_ == nullptr) return -1;
  if (fromKeyboard) {
    int row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    if (row < 0) row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    RECT rect{};
    if (row < 0 || !ListView_GetItemRect(list_, row, &rect, LVIR_BOUNDS)) return -1;
    // The menu at the row's lower left corner.
    screen = POINT{rect.left, rect.bottom};
    ClientToScreen(list_, &screen);
    return row;
  }
  LVHITTESTINFO hit{};
  hit.pt = screen;
  ScreenToClient(list_, &hit.pt);
  return ListView_HitTest(list_, &hit);
}

int TrackListControl::PixelsPerInch() const {
  HDC screen = GetDC(list_);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(list_, screen);
  return pixelsPerInch;
}

int TrackListControl::TextWidth(std::string_view text) const {
  if (text.empty() || list_ == nullptr) return 0;
  const std::wstring wide = WideFromUtf8(DisplayText(std::string(text)));
  HDC dc = GetDC(list_);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list_, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(list_, dc);
  return size.cx;
}

void TrackListControl::GetDisplayInfo(NMLVDISPINFOW& info) {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || item.iItem >= tracks_.RowCount()) return;
  const TrackRow& row = tracks_.Row(item.iItem);
  if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
    const std::string& text =
        item.iSubItem == 0 ? row.bpm : (item.iSubItem == kTagColumn ? row.tag : row.fileName);
    shownText_ = WideFromUtf8(DisplayText(text));
    const size_t room = static_cast<size_t>(item.cchTextMax) - 1;
    const size_t length = std::min(room, shownText_.size());
    shownText_.copy(item.pszText, length);
    item.pszText[length] = L'\0';
  }
  if ((item.mask & LVIF_IMAGE) != 0)
    item.iImage = item.iSubItem == 0 ? static_cast<int>(row.image) : -1;
}

bool TrackListControl::ReadSelection() {
  if (list_ == nullptr) return false;
  const int count = std::min(tracks_.RowCount(), ListView_GetItemCount(list_));
  std::vector<bool> selected(static_cast<size_t>(count), false);
  for (int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED); row >= 0 && row < count;
       row = ListView_GetNextItem(list_, row, LVNI_SELECTED))
    selected[static_cast<size_t>(row)] = true;
  bool changed = false;
  for (int row = 0; row < count; ++row) {
    if (selected[static_cast<size_t>(row)] != tracks_.Row(row).selected) {
      dialog_.OnRowSelected(row, selected[static_cast<size_t>(row)]);
      changed = true;
    }
  }
  return changed;
}

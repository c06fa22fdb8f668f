// The virtual list view over the TrackList. See track_list_view.h.
#include "ui/wx/track_list_view.h"

#include <wx/imaglist.h>
#include <wx/menu.h>

#include <algorithm>

#include "ui/display_text.h"
#include "ui/main_dialog.h"
#include "ui/track_list_columns.h"
#include "ui/wx/picture_bitmaps.h"

TrackListView::TrackListView(wxWindow* parent, wxWindowID id, MainDialog& dialog,
                             std::function<void()> afterUserChange)
    : wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SUNKEN),
      dialog_(dialog),
      tracks_(dialog.Tracks()),
      afterUserChange_(std::move(afterUserChange)),
      fitters_{ColumnFitter(0, [this](std::string_view text) { return TextWidth(text); }),
               ColumnFitter(1, [this](std::string_view text) { return TextWidth(text); })} {
  AssignImageList(NewRowImageList(), wxIMAGE_LIST_SMALL);
  for (long column = 0; column < kTrackListColumnCount; ++column)
    InsertColumn(column, TrackListColumnTitle(static_cast<int>(column)), wxLIST_FORMAT_LEFT);
  tracks_.AddObserver(this);

  Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) {
    ScheduleSelectionRead();
    event.Skip();
  });
  Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent& event) {
    ScheduleSelectionRead();
    event.Skip();
  });
  // A double click on a row (never on the empty area below the rows).
  Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
    dialog_.OnRowActivated(static_cast<int>(event.GetIndex()));
    if (afterUserChange_) afterUserChange_();
  });
  // The row menu: a right click on a row, or the context-menu key.
  Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& event) { ShowRowMenu(event.GetPosition()); });
  // The rows' window is a child of the control; clicks and keys there may
  // change the selection without an event for every row.
  auto read = [this](wxEvent& event) {
    ScheduleSelectionRead();
    event.Skip();
  };
  auto scrolled = [this](wxEvent& event) {
    if (onUserScroll_) onUserScroll_();
    event.Skip();
  };
  auto key = [this](wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
      case WXK_UP:
      case WXK_DOWN:
      case WXK_PAGEUP:
      case WXK_PAGEDOWN:
      case WXK_HOME:
      case WXK_END:
        if (onUserScroll_) onUserScroll_();
        break;
      default:
        break;
    }
    event.Skip();
  };
  auto watchScrolls = [&](wxWindow* window) {
    for (const auto type :
         {wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN,
          wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN})
      window->Bind(type, scrolled);
    window->Bind(wxEVT_MOUSEWHEEL, scrolled);
  };
  watchScrolls(this);
  for (wxWindow* child : GetChildren()) {
    child->Bind(wxEVT_LEFT_UP, read);
    child->Bind(wxEVT_RIGHT_UP, read);
    child->Bind(wxEVT_KEY_UP, read);
    watchScrolls(child);
    child->Bind(wxEVT_KEY_DOWN, key);
  }
}

TrackListView::~TrackListView() {
  tracks_.RemoveObserver(this);
}

void TrackListView::OnRowChanged(int row) {
  changed_.Mark(row);
  for (ColumnFitter& fitter : fitters_) fitter.Invalidate(row);
}

void TrackListView::OnRowsReset() {
  changed_.MarkAll();
  for (ColumnFitter& fitter : fitters_) fitter.InvalidateAll();
}

void TrackListView::Render() {
  rendering_ = true;
  ShowTagColumn(dialog_.ShowsTags());
  const int count = tracks_.RowCount();
  if (GetItemCount() != count) SetItemCount(count);
  if (const std::optional<RowRange> rows = changed_.Take(count)) {
    if (const std::optional<bool> all = UniformSelection(tracks_, *rows)) {
      // All rows alike: one call for the whole list.
      SetItemState(-1, *all ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    } else {
      for (int row = rows->first; row <= rows->last; ++row) {
        const bool wanted = tracks_.Row(row).selected;
        if ((GetItemState(row, wxLIST_STATE_SELECTED) != 0) != wanted)
          SetItemState(row, wanted ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
      }
    }
    RefreshItems(rows->first, rows->last);
  }
  rendering_ = false;
}

void TrackListView::FitColumn(int column) {
  if (column < 0 || column > 1) return;
  const int widest = fitters_[column].Widest(tracks_, TrackListColumnTitle(column));
  SetColumnWidth(column, TrackListColumnWidth(column, widest));
}

void TrackListView::ShowRowMenu(wxPoint screen) {
  long row = -1;
  wxPoint where;
  if (screen == wxDefaultPosition) {
    // From the keyboard: the row with the focus, the menu at its left end.
    row = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
    if (row < 0) row = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    wxRect rect;
    if (row >= 0 && GetItemRect(row, rect)) where = rect.GetBottomLeft();
  } else {
    // The row under the point: GetItemRect is in the control's client
    // coordinates (HitTest's are the rows' window's, below the header).
    where = ScreenToClient(screen);
    const long top = std::max(GetTopItem(), 0L);
    const long end = std::min(top + GetCountPerPage() + 1, static_cast<long>(GetItemCount()));
    for (long candidate = top; candidate < end && row < 0; ++candidate) {
      wxRect rect;
      if (GetItemRect(candidate, rect) && rect.Contains(where)) row = candidate;
    }
    if (row < 0) return;  // not on a row
  }
  // The user's last clicks first, then the menu's own change of selection
  // drawn before the menu opens.
  ReadSelectionFromControl();
  const std::vector<RowMenuItem> items = dialog_.RowMenu(static_cast<int>(row));
  if (afterUserChange_) afterUserChange_();
  if (items.empty()) return;
  wxMenu menu;
  for (size_t i = 0; i < items.size(); ++i) {
    menu.Append(static_cast<int>(i) + 1, wxString::FromUTF8(items[i].label));
    menu.Enable(static_cast<int>(i) + 1, items[i].enabled);
  }
  const int chosen = GetPopupMenuSelectionFromUser(menu, where);
  if (chosen < 1 || chosen > static_cast<int>(items.size())) return;
  dialog_.OnRowMenuChosen(items[static_cast<size_t>(chosen) - 1].fix);
  if (afterUserChange_) afterUserChange_();
}

void TrackListView::ShowTagColumn(bool show) {
  if (show == (GetColumnCount() > kTagColumn)) return;
  if (!show) {
    DeleteColumn(kTagColumn);
    return;
  }
  InsertColumn(kTagColumn, kTagColumnTitle, wxLIST_FORMAT_LEFT);
  // Wide enough for the title and a tempo with two decimals.
  SetColumnWidth(kTagColumn, TrackListColumnWidth(kTagColumn, std::max(TextWidth(kTagColumnTitle),
                                                                       TextWidth(kWidestTagText))));
}

int TrackListView::TextWidth(std::string_view text) const {
  if (text.empty()) return 0;
  int width = 0;
  int height = 0;
  GetTextExtent(wxString::FromUTF8(text.data(), text.size()), &width, &height);
  return width;
}

wxString TrackListView::OnGetItemText(long item, long column) const {
  if (item < 0 || item >= tracks_.RowCount()) return {};
  const TrackRow& values = tracks_.Row(static_cast<int>(item));
  const std::string& text =
      column == 0 ? values.bpm : (column == kTagColumn ? values.tag : values.fileName);
  return wxString::FromUTF8(DisplayText(text));
}

int TrackListView::OnGetItemImage(long item) const {
  return OnGetItemColumnImage(item, 0);
}

int TrackListView::OnGetItemColumnImage(long item, long column) const {
  if (column != 0 || item < 0 || item >= tracks_.RowCount()) return -1;
  return static_cast<int>(tracks_.Row(static_cast<int>(item)).image);
}

void TrackListView::ScheduleSelectionRead() {
  if (rendering_ || readScheduled_) return;
  readScheduled_ = true;
  // After the control has finished handling the click or key.
  CallAfter([this] {
    readScheduled_ = false;
    ReadSelectionFromControl();
  });
}

void TrackListView::ReadSelectionFromControl() {
  bool changed = false;
  const int count = std::min(tracks_.RowCount(), GetItemCount());
  for (int row = 0; row < count; ++row) {
    const bool selected = GetItemState(row, wxLIST_STATE_SELECTED) != 0;
    if (selected != tracks_.Row(row).selected) {
      dialog_.OnRowSelected(row, selected);
      changed = true;
    }
  }
  if (changed && afterUserChange_) afterUserChange_();
}

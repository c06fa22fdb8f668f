// tempyra-screen-grab: saves (part of) the X screen as a PNG file, for the
// window tests and the documentation's screenshots.
//
//   tempyra-screen-grab OUT.png [X Y WIDTH HEIGHT]
//
// Without a rectangle the whole screen is saved. Exit status 0 when the file
// was written.
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct GrabRequest {
  const char* path = nullptr;
  wxRect rect;
  bool whole = true;
  bool written = false;
};

class GrabApp : public wxApp {
 public:
  explicit GrabApp(GrabRequest& request) : request_(request) {}

  bool OnInit() override {
    wxInitAllImageHandlers();
    wxScreenDC screen;
    wxRect rect = request_.rect;
    if (request_.whole) rect = wxRect(wxPoint(0, 0), screen.GetSize());
    wxBitmap bitmap(rect.width, rect.height, 24);
    {
      wxMemoryDC memory(bitmap);
      memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    }
    request_.written = bitmap.SaveFile(request_.path, wxBITMAP_TYPE_PNG);
    return false;  // nothing more to do: no event loop
  }

 private:
  GrabRequest& request_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 6) {
    std::fprintf(stderr, "usage: tempyra-screen-grab OUT.png [X Y WIDTH HEIGHT]\n");
    return 2;
  }
  GrabRequest request;
  request.path = argv[1];
  if (argc == 6) {
    request.whole = false;
    request.rect =
        wxRect(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    if (request.rect.width <= 0 || request.rect.height <= 0) {
      std::fprintf(stderr, "tempyra-screen-grab: empty rectangle\n");
      return 2;
    }
  }
  wxApp::SetInstance(new GrabApp(request));
  int toolkitArgc = 1;
  char* toolkitArgv[] = {argv[0], nullptr};
  wxEntry(toolkitArgc, toolkitArgv);
  if (!request.written) {
    std::fprintf(stderr, "tempyra-screen-grab: could not save %s\n", request.path);
    return 1;
  }
  return 0;
}

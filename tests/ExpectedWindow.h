#pragma once

// The window frmConvert as a user sees it, written down once for the tests of both toolkits and
// kept apart from the table the window is built from, so that a wrong number there shows here.
// Places are in twips (15 to a pixel at 96 dots per inch) from the client area's top-left corner.
namespace tus2wf::expected {

enum class Kind { TextBox, Button, Label };

// A label or button with no font of its own shows the window's default font.
enum class Font { TextBox, WindowDefault };

struct Control {
    const char* name;
    Kind kind;
    // nullptr where the text is the program's own choice (the maker's notice).
    const char* caption;
    int left;
    int top;
    int width;
    int height;
    Font font;
};

inline constexpr char kTitle[] = "TUS TO WORLDFORGE COMPATIBLE FORMAT";
inline constexpr int kClientWidth = 7380;
inline constexpr int kClientHeight = 4995;
inline constexpr int kTwipsPerPixel = 15;

inline constexpr char kTextBoxFace[] = "MS Sans Serif";
inline constexpr double kTextBoxPoints = 9.75;
inline constexpr int kTextBoxWeight = 400;

// In tab order: a control's place here is its tab index. The text boxes and buttons take the
// focus, the labels never do.
inline constexpr Control kControls[] = {
    {"txtTusworldScp", Kind::TextBox, "", 1800, 120, 3975, 375, Font::TextBox},
    {"txtWorldforge", Kind::TextBox, "", 1800, 720, 3975, 375, Font::TextBox},
    {"txtNewTusworldScp", Kind::TextBox, "", 1800, 1320, 3975, 375, Font::TextBox},
    {"txtItemList", Kind::TextBox, "", 1800, 1920, 3975, 405, Font::TextBox},
    {"cmdConvert", Kind::Button, "&Convert", 6000, 120, 1335, 375, Font::WindowDefault},
    {"Command1", Kind::Button, "&Quit", 6000, 1920, 1335, 375, Font::WindowDefault},
    {"Label2", Kind::Label, "TUS Filename and Location", 120, 120, 1455, 375, Font::WindowDefault},
    {"Label3", Kind::Label, "Worldforge Filename and Location", 120, 720, 1455, 375,
     Font::WindowDefault},
    {"Label4", Kind::Label, "New TUS Filename and Location", 120, 1320, 1455, 375,
     Font::WindowDefault},
    {"Label1", Kind::Label, "ID List Filename and Location", 120, 1920, 1455, 375,
     Font::WindowDefault},
    {"Label5", Kind::Label, nullptr, 6000, 840, 1215, 735, Font::WindowDefault},
    {"lblProgress", Kind::Label, "", 120, 2520, 7095, 255, Font::WindowDefault},
    {"lblResults", Kind::Label, "", 120, 3000, 7095, 1815, Font::WindowDefault},
};

}  // namespace tus2wf::expected

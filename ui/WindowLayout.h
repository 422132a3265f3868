#pragma once

#include <array>
#include <string_view>

#include "Host.h"

// The window frmConvert as both toolkits draw it and the layout test reads it: its title, client
// area, fonts and every control with its place in twips (1/1440 inch, 15 to a pixel at 96 dots
// per inch), measured from the top-left corner of the client area.
namespace tus2wf::layout {

struct Twips {
    int left;
    int top;
    int width;
    int height;
};

enum class Kind { TextBox, Button, Label };

// One per control, in tab order: the six that take the focus come first.
enum Id : int {
    txtTusworldScp,
    txtWorldforge,
    txtNewTusworldScp,
    txtItemList,
    cmdConvert,
    Command1,
    Label2,
    Label3,
    Label4,
    Label1,
    Label5,
    lblProgress,
    lblResults,
    kControlCount
};

struct Control {
    std::string_view name;
    Kind kind;
    // "&" marks a button's access key. Empty for the text boxes and the status labels; the
    // maker's notice in Label5 is set when the window is made.
    std::string_view caption;
    Twips at;
};

struct Font {
    std::string_view face;
    double points;
    int weight;
    bool italic;
    bool underline;
    bool strikeOut;
    int charSet;
};

inline constexpr std::string_view kTitle = "TUS TO WORLDFORGE COMPATIBLE FORMAT";
inline constexpr int kClientWidth = 7380;
inline constexpr int kClientHeight = 4995;
inline constexpr int kTwipsPerInch = 1440;
// The text boxes' font; the labels and buttons keep the window's default font.
inline constexpr Font kTextBoxFont{"MS Sans Serif", 9.75, 400, false, false, false, 0};
// The button that Enter clicks wherever the focus is, except on the other button.
inline constexpr Id kDefaultButton = cmdConvert;

// Indexed by Id, so the position of a control in this table is its tab index.
inline constexpr std::array<Control, kControlCount> kControls{{
    {"txtTusworldScp", Kind::TextBox, "", {1800, 120, 3975, 375}},
    {"txtWorldforge", Kind::TextBox, "", {1800, 720, 3975, 375}},
    {"txtNewTusworldScp", Kind::TextBox, "", {1800, 1320, 3975, 375}},
    {"txtItemList", Kind::TextBox, "", {1800, 1920, 3975, 405}},
    {"cmdConvert", Kind::Button, "&Convert", {6000, 120, 1335, 375}},
    {"Command1", Kind::Button, "&Quit", {6000, 1920, 1335, 375}},
    {"Label2", Kind::Label, "TUS Filename and Location", {120, 120, 1455, 375}},
    {"Label3", Kind::Label, "Worldforge Filename and Location", {120, 720, 1455, 375}},
    {"Label4", Kind::Label, "New TUS Filename and Location", {120, 1320, 1455, 375}},
    {"Label1", Kind::Label, "ID List Filename and Location", {120, 1920, 1455, 375}},
    {"Label5", Kind::Label, "", {6000, 840, 1215, 735}},
    {"lblProgress", Kind::Label, "", {120, 2520, 7095, 255}},
    {"lblResults", Kind::Label, "", {120, 3000, 7095, 1815}},
}};

// The text box that holds a path, in the order PathBox names them.
constexpr Id textBoxOf(PathBox box) {
    switch (box) {
        case PathBox::TusworldScp:
            return txtTusworldScp;
        case PathBox::Worldforge:
            return txtWorldforge;
        case PathBox::NewTusworldScp:
            return txtNewTusworldScp;
        case PathBox::ItemList:
            return txtItemList;
    }
    return txtTusworldScp;
}

// The caption label of a text box: the label at the left of its row, with the same top edge.
constexpr Id captionOf(Id textBox) {
    for (int i = 0; i < kControlCount; ++i) {
        if (kControls[i].kind == Kind::Label && kControls[i].at.top == kControls[textBox].at.top &&
            kControls[i].at.left < kControls[textBox].at.left) {
            return static_cast<Id>(i);
        }
    }
    return kControlCount;
}
static_assert(captionOf(txtTusworldScp) == Label2 && captionOf(txtWorldforge) == Label3 &&
              captionOf(txtNewTusworldScp) == Label4 && captionOf(txtItemList) == Label1);

}  // namespace tus2wf::layout

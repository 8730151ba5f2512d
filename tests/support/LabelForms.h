#pragma once

#include <QList>
#include <QRect>
#include <QString>

namespace hanlabel::test {

// One control of a label window's form as drawn: its rectangle in twips within its parent (the
// client area, or the frame named) and whether its caption is bold.
struct FormControl {
    const char* window; // "mainfrm" or "main1frm"; null for a control both have in the same place
    const char* name;
    const char* frame; // null on the client area
    QRect twips;
    bool bold = false;
};

// The client area of both label windows, in twips.
constexpr int ClientWidthTwips = 6990;
constexpr int ClientHeightTwips = 4020;

// The forms of the two label windows, written out once for the layout test and the end-to-end
// test's clicks. The windows place their controls with their own numbers: this copy checks them.
inline const QList<FormControl>& LabelForms() {
    static const QList<FormControl> forms{
        {nullptr, "Frame2", nullptr, {0, 240, 1695, 975}},
        {nullptr, "Option3", "Frame2", {120, 240, 1455, 255}, true},
        {nullptr, "Option4", "Frame2", {120, 600, 1335, 255}, true},
        {nullptr, "Combo1", nullptr, {120, 1440, 1335, 300}},
        {nullptr, "Option5", "Frame3", {120, 360, 1335, 255}},
        {nullptr, "Option6", "Frame3", {120, 720, 1335, 255}},
        {nullptr, "Command1", nullptr, {3690, 2790, 1335, 495}},
        {nullptr, "Command2", nullptr, {5250, 2790, 1335, 495}},

        {"mainfrm", "Text1", nullptr, {3270, 1320, 2175, 285}},
        {"mainfrm", "Image1", nullptr, {3270, 1680, 2235, 480}},
        {"mainfrm", "Text2", nullptr, {3270, 2280, 2175, 285}},
        {"mainfrm", "Frame1", nullptr, {4440, 225, 2415, 975}},
        {"mainfrm", "Option1", "Frame1", {240, 240, 1815, 180}},
        {"mainfrm", "Option2", "Frame1", {240, 600, 1815, 255}},
        {"mainfrm", "Label3", nullptr, {2385, 2880, 540, 195}, true},
        {"mainfrm", "Text5", nullptr, {2955, 2865, 615, 270}},
        {"mainfrm", "Label1", nullptr, {2025, 1650, 1035, 195}, true},
        {"mainfrm", "Text3", nullptr, {2115, 1875, 525, 270}},
        {"mainfrm", "UpDown1", nullptr, {2670, 1875, 240, 255}},
        {"mainfrm", "Label2", nullptr, {3150, 615, 1035, 195}, true},
        {"mainfrm", "Text4", nullptr, {3285, 855, 525, 270}},
        {"mainfrm", "UpDown2", nullptr, {3840, 885, 240, 255}},
        {"mainfrm", "Frame3", nullptr, {0, 1920, 1695, 1215}},
        {"mainfrm", "Shape1", nullptr, {-150, 3420, 7275, 660}},
        {"mainfrm", "Label4", nullptr, {3165, 3600, 3525, 240}, true},
        {"mainfrm", "HangulDB", nullptr, {3600, 6000, 1215, 345}},

        {"main1frm", "Text1", nullptr, {4560, 720, 2175, 285}},
        {"main1frm", "Text2", nullptr, {4560, 1080, 2175, 285}},
        {"main1frm", "Text3", nullptr, {4560, 1440, 855, 285}},
        {"main1frm", "Text4", nullptr, {5760, 1440, 975, 285}},
        {"main1frm", "Check1", nullptr, {5880, 1800, 975, 300}, true},
        {"main1frm", "Text5", nullptr, {5280, 360, 615, 270}},
        {"main1frm", "Text6", nullptr, {3240, 360, 615, 270}},
        {"main1frm", "UpDown1", nullptr, {3840, 360, 240, 255}},
        {"main1frm", "UpDown2", nullptr, {5880, 360, 240, 255}},
        {"main1frm", "Frame3", nullptr, {0, 1920, 1695, 1215}, true},
        {"main1frm", "Label1", nullptr, {5520, 1440, 255, 255}},
        {"main1frm", "Label2", nullptr, {2160, 360, 1035, 195}, true},
        {"main1frm", "Label3", nullptr, {4200, 360, 1035, 195}, true},
        {"main1frm", "Label4", nullptr, {3600, 720, 795, 195}},
        {"main1frm", "Label5", nullptr, {3600, 1080, 795, 195}},
        {"main1frm", "Label6", nullptr, {3600, 1440, 795, 195}},
        {"main1frm", "Image2", nullptr, {2040, 840, 1425, 1770}},
        {"main1frm", "Image1", nullptr, {3600, 2160, 3195, 480}},
        {"main1frm", "Shape1", nullptr, {0, 3420, 7275, 660}},
        {"main1frm", "Label7", nullptr, {3315, 3555, 3525, 240}, true},
        {"main1frm", "Label8", nullptr, {3165, 3600, 3525, 240}, true},
        {"main1frm", "HangulDB", nullptr, {6000, 5880, 1140, 285}},
    };
    return forms;
}

// The controls of one window's form.
inline QList<FormControl> FormOf(const QString& window) {
    QList<FormControl> controls;
    for (const FormControl& control : LabelForms())
        if (!control.window || window == QLatin1String(control.window))
            controls << control;
    return controls;
}

// A control's rectangle in twips within the window's client area; empty when the form lacks it.
inline QRect ClientTwips(const QString& window, const QString& name) {
    const QList<FormControl> form = FormOf(window);
    for (const FormControl& control : form) {
        if (name != QLatin1String(control.name))
            continue;
        return control.frame ? control.twips.translated(ClientTwips(window, control.frame).topLeft())
                             : control.twips;
    }
    return {};
}

} // namespace hanlabel::test

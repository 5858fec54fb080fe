#pragma once

#include <QString>
#include <span>

// Dialog templates kept as data: every control with its id, kind, caption,
// rectangle in dialog units and style flags, in template (tab) order.
enum class ControlKind { PushButton, Static, StaticPicture, EtchedLine, ListView, ComboBox, Edit, ProgressBar };

enum ControlStyle : unsigned {
    StyleNone = 0,
    StyleHidden = 1u << 0,
    StyleSunkenEdge = 1u << 1,  // thin sunken edge
    StyleSorted = 1u << 2,      // combo box keeps items sorted
    StyleEditable = 1u << 3,    // combo box with an edit field
    StyleCentred = 1u << 4,     // static text centred
    StyleTabStop = 1u << 5,
    StyleAutoHScroll = 1u << 6,  // edit scrolls horizontally
    StyleVScroll = 1u << 7,
    StyleNoSortHeader = 1u << 8,  // list view column headers not clickable
};

struct ControlTemplate {
    int id;  // res/control_ids.h; kNoControlId for labels and lines
    ControlKind kind;
    const char *caption;  // UTF-8
    int x, y, cx, cy;     // dialog units
    unsigned style;
};

struct DialogTemplate {
    int id;
    const char *caption;
    const char *fontFamily;
    int fontPointSize;
    int cx, cy;  // dialog units
    bool minimiseBox;
    std::span<const ControlTemplate> controls;
};

const DialogTemplate &MainDialogTemplate();      // 102
const DialogTemplate &SettingsDialogTemplate();  // 129

// The status line's first text: the maker's credit and the drag-and-drop hint.
QString CreditLine();

#pragma once

// The control ids of the two dialog templates, by name. The numbers are the
// templates' own and never change; everything else names a control through
// these enumerators (both dialogs' controls are reached with `controlAs(id)`).

// Main window, template 102.
enum MainControlId : int {
    IdFileList = 1000,
    IdStart = 1001,
    IdStop = 1002,
    IdExit = 1003,
    IdSiteLink = 1004,
    IdFormatBox = 1005,
    IdResolutionBox = 1006,
    IdFrameRateBox = 1007,
    IdBitrateBox = 1008,
    IdPause = 1009,
    IdSettings = 1010,
    IdStatusLine = 1011,
    IdAbout = 1015,
    IdBanner = 1016,
    IdAddFile = 1017,
    IdDeleteFile = 1018,
    IdSavePath = 1019,
    IdProgress = 1020,
    // Hidden labels that mirror the current choices; the start command reads them.
    IdBitrateMirror = 1021,
    IdFrameRateMirror = 1022,
    IdResolutionMirror = 1023,
    IdSpareLabel = 1024,  // hidden, never written
    IdSearchBox = 1025,
    IdSearch = 1026,
    IdOpenFolder = 1028,
    IdSizeLimitBox = 1032,     // the most each file may hold; editable
    IdSizeLimitMirror = 1033,  // hidden: the size limit's text, empty for none
};

// Settings dialog, template 129. Its numbers overlap the main window's: an id
// means something only together with its dialog.
enum SettingsControlId : int {
    IdCancel = 1003,
    IdPath = 1013,
    IdSave = 1014,
    IdReselect = 1015,
    IdFreeSpace = 1027,
    IdNaming = 1030,  // how outputs are named
    IdShape = 1031,   // how the picture is fitted into the size
};

// Template entries without an id (labels, the etched line).
constexpr int kNoControlId = -1;

#pragma once

// How the outputs of a batch are named and how the source's picture is fitted
// into the chosen size. Both are kept in the settings store next to "Path".
enum class OutputNaming {
    SourceName,  // "<source name>.<ext>", then "<source name> (2).<ext>" ...
    TimeOfDay,   // "hh-mm-ss.<ext>", then "hh-mm-ss-2.<ext>" ...
};

enum class PictureShape {
    Fit,      // the whole picture inside the size, black bars around it
    Fill,     // the size filled, the overflow cut off evenly on both sides
    Stretch,  // the picture stretched to the size
};

namespace OutputStyle {

inline constexpr OutputNaming kDefaultNaming = OutputNaming::SourceName;
inline constexpr PictureShape kDefaultShape = PictureShape::Fit;

// The stored choices; the default when none is stored, and with a warning in
// the log when the stored text is none of the known ones.
OutputNaming readNaming();
PictureShape readShape();

// Stores both choices; false when the store cannot be written.
bool write(OutputNaming naming, PictureShape shape);

}  // namespace OutputStyle

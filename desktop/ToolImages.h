#pragma once
// The tool images by index: the desktop's icon theme where it has the picture, otherwise
// a small picture drawn here, so the program looks complete without any theme.

#include <QIcon>

namespace qp {

// The theme's icon name for an image index, or nullptr for an index without a picture.
const char* ToolImageThemeName(int index);
// The picture drawn here for the index (always available for the indexes in use).
QIcon ToolImageFallback(int index);
// Theme icon with the drawn fallback; a null icon for -1 and unknown indexes.
QIcon ToolImage(int index);

}  // namespace qp

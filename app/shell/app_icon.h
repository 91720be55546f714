#pragma once
#include <QIcon>

namespace quillmix {

// The application icon: a platter in the two deck colours, drawn at start-up.
QIcon applicationIcon();

}  // namespace quillmix

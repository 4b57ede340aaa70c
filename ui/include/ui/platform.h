#pragma once

#include "ui/clipboard.h"
#include "ui/message_boxes.h"
#include "ui/shell.h"

namespace lettermorph {

// The operating system services the windows use, handed to them so tests can stand in.
struct Platform {
  Clipboard& clipboard;
  Shell& shell;
  MessageBoxes& messageBoxes;
};

}  // namespace lettermorph

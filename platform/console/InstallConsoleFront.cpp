// Linked into a program, the console becomes its front: it installs itself while the program's
// static objects are made, before main runs.
#include "platform/console/ConsoleFront.h"

namespace plat::console {
namespace {

ConsoleFront theFront;
[[maybe_unused]] const bool installed = (InstallFront(&theFront), true);

}  // namespace
}  // namespace plat::console

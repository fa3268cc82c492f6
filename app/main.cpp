// The program's entry point. The backends and the front it runs over are those it is linked with.
#include "app/ApplicationMain.h"

int main() {
  return ApplicationMain();
}

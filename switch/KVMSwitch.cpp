#include "switch/KVMSwitch.h"

_KVM_SWITCH KVMSwitch;

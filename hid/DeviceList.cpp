#include "hid/HIDDiscovery.h"

const _DEVICE_LIST DeviceList[] = {
    {0x10D5, 0x000D, 0x000D},
    {0x10D5, 0x5500, 0x55FF},
    {0x0CF6, 0x6B01, 0x6B01},
};

const int VendorCount = 3;

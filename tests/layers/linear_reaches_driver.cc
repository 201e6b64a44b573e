// The replay kernel must not see the driver: this include must not build.
#include "driver/settings.h"

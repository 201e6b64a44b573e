// The replay kernel must not see the run's settings: this include must not build.
#include "config/settings.h"

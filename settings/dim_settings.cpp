// The process-wide settings record.
#include "settings/dim_settings.h"

DimSettingsRecord DimSettings = {};

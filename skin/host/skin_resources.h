/* RCDATA resource ids of the skin engine library and the skins in vorda.exe;
   read by windres as well as by C++. Skin n has id VORDA_SKIN_RESOURCE_BASE + n. */
#pragma once

#define VORDA_SKIN_ENGINE_RESOURCE 3000
#define VORDA_SKIN_RESOURCE_BASE 3000

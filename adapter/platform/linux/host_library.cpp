// The host library's functions. The Linux host exports Func3 and Func13 from
// its own program, so they are found in the process's global scope.
#include <dlfcn.h>

#include "../platform.h"

HostPostFunction PlatformHostPostFunction() {
  return reinterpret_cast<HostPostFunction>(dlsym(RTLD_DEFAULT, "Func3"));
}

HostEditParamsFunction PlatformHostEditParamsFunction() {
  return reinterpret_cast<HostEditParamsFunction>(dlsym(RTLD_DEFAULT, "Func13"));
}

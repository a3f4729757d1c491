// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/NetcdfDataset.hpp"

#include <dlfcn.h>
#include <sys/auxv.h>

#include <filesystem>
#include <mutex>
#include <system_error>

namespace marovane {

namespace {

constexpr const char* kModuleName = "marovane-netcdf.so";

std::mutex gModuleMutex;
std::string gModuleWanted;  // empty: where the program finds it
std::string gModuleLoaded;
NetcdfDatasetEntry gEntry = nullptr;

// <bindir>/../lib/<triplet>/marovane from the running program's own path, its links
// followed; the path it was started by where /proc is missing (in a bare chroot). Never a
// relative path: the working folder may be anybody's.
std::string ModulePath() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !self.is_absolute()) {
    // The auxiliary vector holds the address as a number.
    const auto* started = reinterpret_cast<const char*>(  // NOLINT(performance-no-int-to-ptr)
        ::getauxval(AT_EXECFN));
    self = started != nullptr && *started != '\0'
               ? std::filesystem::weakly_canonical(started, error)
               : std::filesystem::path();
  }
  if (error || !self.is_absolute()) {
    throw NetcdfError(
        "NetCDF: cannot load the NetCDF support: the program cannot tell its own "
        "folder, beside which the support lies");
  }
  return (self.parent_path() / MAROVANE_NETCDF_MODULE_FROM_BINDIR / kModuleName)
      .lexically_normal()
      .string();
}

// The module is never closed: datasets and their code may live to the program's end.
NetcdfDatasetEntry Load(const std::string& path) {
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    throw NetcdfError(std::string("NetCDF: cannot load the NetCDF support: ") + ::dlerror());
  }
  void* entry = ::dlsym(module, kNetcdfDatasetEntry);
  if (entry == nullptr) {
    throw NetcdfError("NetCDF: cannot load the NetCDF support: " + path + " is not Marovane's");
  }
  return reinterpret_cast<NetcdfDatasetEntry>(entry);
}

}  // namespace

std::unique_ptr<NetcdfDataset> NewNetcdfDataset() {
  NetcdfDatasetEntry entry = nullptr;
  {
    const std::lock_guard lock(gModuleMutex);
    const std::string path = gModuleWanted.empty() ? ModulePath() : gModuleWanted;
    if (gEntry == nullptr || path != gModuleLoaded) {
      gEntry = nullptr;
      gEntry = Load(path);
      gModuleLoaded = path;
    }
    entry = gEntry;
  }
  return std::unique_ptr<NetcdfDataset>(entry());
}

namespace detail {
void UseNetcdfModule(const std::string& module) {
  const std::lock_guard lock(gModuleMutex);
  gModuleWanted = module;
}
}  // namespace detail

}  // namespace marovane

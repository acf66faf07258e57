set(KELMOR_registry_CORE
  core/RegistryData.cpp
  core/SettingsLayout.cpp)
set(KELMOR_registry_SOURCES
  nvkRegistry.cpp
  nvkNevkitSettings.cpp)

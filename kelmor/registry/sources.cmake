set(KELMOR_registry_CORE
  core/RegistryData.cpp
  core/SettingsLayout.cpp)
set(KELMOR_registry_SOURCES
  AnsiText.cpp
  nvkRegistry.cpp
  nvkNevkitSettings.cpp)

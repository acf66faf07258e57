set(KELMOR_registry_CORE)
set(KELMOR_registry_SOURCES
  nvkRegistry.cpp
  nvkNevkitSettings.cpp)

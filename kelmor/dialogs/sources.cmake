set(KELMOR_dialogs_CORE)
set(KELMOR_dialogs_SOURCES
  nvkSimpleListDialog.cpp
  nvkTabControl.cpp)

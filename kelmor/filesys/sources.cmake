set(KELMOR_filesys_CORE)
set(KELMOR_filesys_SOURCES
  nvkFoundedFiles.cpp
  FoundedFile.cpp
  IFindFilesCallback.cpp
  nvkFileStreams.cpp
  FileStream.cpp)

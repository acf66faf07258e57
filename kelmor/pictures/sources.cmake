set(KELMOR_pictures_CORE)
set(KELMOR_pictures_SOURCES
  PictureInfo.cpp)

# SDL 1.2 with SDL_image and SDL_mixer, found through pkg-config so that either the
# classic library or the implementation over SDL2 works.
if(EMSCRIPTEN)
  # In the browser SDL, SDL_image and SDL_mixer come with the compiler; the same target
  # names stand for them so that every part links as on the desktop.
  foreach(lib SDL SDL_IMAGE SDL_MIXER)
    add_library(PkgConfig::${lib} INTERFACE IMPORTED)
    target_include_directories(PkgConfig::${lib} INTERFACE ${EMSCRIPTEN_SYSROOT}/include/SDL)
  endforeach()
  target_compile_options(PkgConfig::SDL INTERFACE
    -include ${CMAKE_SOURCE_DIR}/src/app/web/ClassicKeys.h)
  add_library(Threads::Threads INTERFACE IMPORTED)
  return()
endif()
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(SDL REQUIRED IMPORTED_TARGET sdl)
pkg_check_modules(SDL_IMAGE REQUIRED IMPORTED_TARGET SDL_image)
pkg_check_modules(SDL_MIXER REQUIRED IMPORTED_TARGET SDL_mixer)

if(PIGMORA_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

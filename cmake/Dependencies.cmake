# SDL 1.2 with SDL_image and SDL_mixer, found through pkg-config so that either the
# classic library or the implementation over SDL2 works.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(SDL REQUIRED IMPORTED_TARGET sdl)
pkg_check_modules(SDL_IMAGE REQUIRED IMPORTED_TARGET SDL_image)
pkg_check_modules(SDL_MIXER REQUIRED IMPORTED_TARGET SDL_mixer)

if(PIGMORA_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

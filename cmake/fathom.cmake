# The Fathom library for the Syzygy tables, as the target quill_fathom (not
# defined when it cannot be had).
# - Linux and the like: Debian's package libfathom-dev (tbprobe.h, libfathom).
# - Windows (MinGW-w64), and the release builds that ask for it with
#   -DQUILL_FATHOM_FROM_SOURCE=ON (one binary with nothing to install beside
#   it): the library's source from Debian's source package "fathom", fetched
#   into the build folder by tools/fetch-fathom-source.sh (or named with
#   -DQUILL_FATHOM_SOURCE=<folder holding tbprobe.c>) and compiled here as
#   Debian compiles it, statically. Nothing of it enters the repository.
option(QUILL_FATHOM_FROM_SOURCE "Compile Fathom from Debian's source package into the engine" OFF)
if(WIN32 OR QUILL_FATHOM_FROM_SOURCE)
  set(QUILL_FATHOM_SOURCE "${CMAKE_BINARY_DIR}/fathom-src/src" CACHE PATH "Folder with Fathom's tbprobe.c")
  if(NOT EXISTS "${QUILL_FATHOM_SOURCE}/tbprobe.c")
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/fetch-fathom-source.sh "${CMAKE_BINARY_DIR}/fathom-src"
                    RESULT_VARIABLE fetched OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(EXISTS "${QUILL_FATHOM_SOURCE}/tbprobe.c")
    enable_language(C)
    add_library(quill_fathom STATIC "${QUILL_FATHOM_SOURCE}/tbprobe.c")
    set_target_properties(quill_fathom PROPERTIES C_STANDARD 99 C_EXTENSIONS ON INTERPROCEDURAL_OPTIMIZATION OFF)
    # Debian's settings: no locks (the engine's wrapper holds one around
    # every call), no popcount instruction (generic x86-64). Its warnings
    # are not the engine's.
    target_compile_definitions(quill_fathom PRIVATE TB_NO_THREADS TB_NO_HW_POP_COUNT)
    target_compile_options(quill_fathom PRIVATE -w)
    target_include_directories(quill_fathom SYSTEM PUBLIC "${QUILL_FATHOM_SOURCE}")
  endif()
else()
  find_path(QUILL_FATHOM_INCLUDE_DIR tbprobe.h)
  find_library(QUILL_FATHOM_LIBRARY fathom)
  if(QUILL_FATHOM_INCLUDE_DIR AND QUILL_FATHOM_LIBRARY)
    add_library(quill_fathom INTERFACE)
    target_include_directories(quill_fathom SYSTEM INTERFACE "${QUILL_FATHOM_INCLUDE_DIR}")
    target_link_libraries(quill_fathom INTERFACE "${QUILL_FATHOM_LIBRARY}")
  endif()
endif()

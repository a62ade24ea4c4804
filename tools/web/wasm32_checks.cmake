# What WebAssembly (wasm32, Emscripten's libc) answers to the configure
# checks of zlib, libpng, libjpeg-turbo and libsndfile, given up front
# (cmake -C) by tools/web/build_deps.sh. CMake's type-size checks cannot read
# Emscripten's output (they answer 9 for every size), and each other check
# links a program with emcc, which costs a second or more apiece.

# Sizes on wasm32: long, size_t and ssize_t 32 bits; off_t 64.
foreach(entry "INT64_T;8" "LONG;4" "LONG_LONG;8" "OFF_T;8" "SSIZE_T;4" "WCHAR_T;4" "SIZE_T;4" "UNSIGNED_LONG;4")
  list(GET entry 0 type)
  list(GET entry 1 size)
  set(SIZEOF_${type} ${size} CACHE INTERNAL "")
  set(HAVE_SIZEOF_${type} TRUE CACHE INTERNAL "")
endforeach()
# libjpeg-turbo names its results after the type alone.
set(SIZE_T 4 CACHE INTERNAL "")
set(HAVE_SIZE_T TRUE CACHE INTERNAL "")
set(UNSIGNED_LONG 4 CACHE INTERNAL "")
set(HAVE_UNSIGNED_LONG TRUE CACHE INTERNAL "")
set(WORDS_BIGENDIAN 0 CACHE INTERNAL "")

# Headers and functions Emscripten's libc has, and the ones it lacks.
foreach(name BYTESWAP_H DECL_S_IRGRP DLFCN_H ENDIAN_H FSTAT FSTAT64 FSYNC FTRUNCATE GETTIMEOFDAY GMTIME
             GMTIME_R INTTYPES_H LOCALTIME LOCALTIME_R LRINT LRINTF LSEEK OPEN READ STDBOOL_H STDDEF_H
             STDINT_H SYS_TIME_H SYS_TYPES_H UNISTD_H WRITE)
  set(HAVE_${name} 1 CACHE INTERNAL "")
endforeach()
foreach(name DIRECT_H IO_H IMMINTRIN_H SQLITE3 CPU_IS_X64 CPU_IS_X86)
  set(HAVE_${name} "" CACHE INTERNAL "")
endforeach()
set(LIBM_REQUIRED 1 CACHE INTERNAL "")

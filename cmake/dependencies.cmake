# libgcrypt (statically linked into the Windows program) and GoogleTest.
add_library(vorda_gcrypt INTERFACE)
if(WIN32)
  find_library(GCRYPT_LIB NAMES libgcrypt.a REQUIRED)
  find_library(GPG_ERROR_LIB NAMES libgpg-error.a REQUIRED)
  target_link_libraries(vorda_gcrypt INTERFACE ${GCRYPT_LIB} ${GPG_ERROR_LIB} ws2_32)
  # Windows programs are linked statically: a MinGW exe with DLL dependencies
  # silently fails to start under Wine.
  set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static -static-libgcc -static-libstdc++")
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
else()
  find_library(GCRYPT_LIB NAMES gcrypt REQUIRED)
  find_library(GPG_ERROR_LIB NAMES gpg-error REQUIRED)
  target_link_libraries(vorda_gcrypt INTERFACE ${GCRYPT_LIB} ${GPG_ERROR_LIB})
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(VORDA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest package)")
if(EXISTS ${VORDA_GOOGLETEST_SOURCE}/CMakeLists.txt)
  add_subdirectory(${VORDA_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

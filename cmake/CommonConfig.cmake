# Language level, warnings and sanitizers shared by every target of the project.
# Standard C++ only: a GNU extension that slips in would not build with another compiler.
set(CMAKE_CXX_EXTENSIONS OFF)
add_library(vexilo_common INTERFACE)
target_compile_features(vexilo_common INTERFACE cxx_std_20)
target_compile_options(vexilo_common INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast)
# A connection without a context object outlives its receiver. Qt enforces this from 6.7.
target_compile_definitions(vexilo_common INTERFACE QT_NO_CONTEXTLESS_CONNECT)

# Off by default so a newer compiler's new warning never stops a user's build; .ci/run
# turns it on.
option(VEXILO_WERROR "Treat warnings as errors" OFF)
if(VEXILO_WERROR)
  target_compile_options(vexilo_common INTERFACE -Werror)
endif()

option(VEXILO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VEXILO_TSAN "Build with ThreadSanitizer" OFF)
if(VEXILO_SANITIZE)
  target_compile_options(vexilo_common INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vexilo_common INTERFACE -fsanitize=address,undefined)
endif()
if(VEXILO_TSAN)
  target_compile_options(vexilo_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(vexilo_common INTERFACE -fsanitize=thread)
endif()

# A unity build (CMAKE_UNITY_BUILD) compiles a target's sources in batches, one file each, so
# gcc takes a source's anonymous-namespace types for a header's and warns about every class
# that holds one; the per-file builds keep the warning where it means something.
if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(vexilo_common INTERFACE -Wno-subobject-linkage)
endif()

# The linker, as -fuse-ld takes it (lld, mold, gold); empty: the compiler's own. lld links a
# test executable in a sixth of the CPU time of the default ld.
set(VEXILO_LINKER "" CACHE STRING "Linker for -fuse-ld, empty for the compiler's default")
if(VEXILO_LINKER)
  target_link_options(vexilo_common INTERFACE -fuse-ld=${VEXILO_LINKER})
endif()

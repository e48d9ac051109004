# Run after linking a DLL that has no runtime (zor_dll NO_RUNTIME): nothing in
# such a DLL runs global constructors or destructors, so an object that needs
# one would silently stay unconstructed. The linker's map shows every input
# section: a .ctors or .dtors entry fails the build and removes the DLL, so
# that the next build links it again and fails again.
#   cmake -DMAP=<linker map> -DLIBRARY=<the DLL> -P check_static_init.cmake
file(READ "${MAP}" map)
if(map MATCHES "\n \\.(ctors|dtors)[.0-9]*[ \t\n]+0x[0-9a-f]+[ \t]+0x0*[1-9a-f][0-9a-f]*[ \t]+([^\n]+)")
  file(REMOVE "${LIBRARY}")
  message(FATAL_ERROR "${LIBRARY}: ${CMAKE_MATCH_2} has a global object whose constructor or "
                      "destructor would never run (a DLL without a runtime needs constant initialisation)")
endif()

# Writes OUTPUT in the format of sha256sum: one "hash  name" line for each of
# FILES (a ;-list of paths), named by their paths below BASE (the fleet kit's
# "deploy/intune-win32/detect.ps1"), or by their file names alone elsewhere.
set(lines "")
foreach(path IN LISTS FILES)
  file(SHA256 "${path}" hash)
  get_filename_component(name "${path}" NAME)
  cmake_path(IS_PREFIX BASE "${path}" NORMALIZE below_base)
  if(below_base)
    file(RELATIVE_PATH name "${BASE}" "${path}")
  endif()
  string(APPEND lines "${hash}  ${name}\n")
endforeach()
file(WRITE "${OUTPUT}" "${lines}")

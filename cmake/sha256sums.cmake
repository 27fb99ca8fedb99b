# Writes OUTPUT in the format of sha256sum: one "hash  name" line for each of
# FILES (a ;-list of paths), named by their file names alone.
set(lines "")
foreach(path IN LISTS FILES)
  file(SHA256 "${path}" hash)
  get_filename_component(name "${path}" NAME)
  string(APPEND lines "${hash}  ${name}\n")
endforeach()
file(WRITE "${OUTPUT}" "${lines}")

# The "// <tag>: a b ..." lines of the fuzz sources, read in one place: the
# fuzz targets, the unit runner and the determinism digest all build from them.

# The files a "// <tag>: a b ..." line of `src` names, under `dir`, into `out`.
function(tavgeo_fuzz_listed src tag dir out)
  set(files "")
  file(STRINGS ${src} line REGEX "^// ${tag}:")
  if(line)
    string(REGEX REPLACE "^// ${tag}:[ ]*" "" names "${line}")
    separate_arguments(names)
    foreach(n ${names})
      list(APPEND files ${dir}/${n})
    endforeach()
  endif()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# The sources from outside the library ("// sources:", paths from the project's
# root) that the fuzz sources among `srcs` check, into `out`.
function(tavgeo_fuzz_extra_sources srcs root out)
  set(all "")
  foreach(src ${srcs})
    if(src MATCHES "/fuzz_[^/]*\\.cpp$")
      tavgeo_fuzz_listed(${src} sources ${root} extra)
      list(APPEND all ${extra})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES all)
  set(${out} ${all} PARENT_SCOPE)
endfunction()

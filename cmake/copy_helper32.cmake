# Copies the 32-bit helper (wordlark32.exe, larkhook32.dll) from FROM into TO when both are there;
# a 64-bit build without a 32-bit one beside it simply runs without the helper.
foreach(name wordlark32.exe larkhook32.dll)
    if(NOT EXISTS "${FROM}/${name}")
        return()
    endif()
endforeach()
foreach(name wordlark32.exe larkhook32.dll)
    file(COPY_FILE "${FROM}/${name}" "${TO}/${name}" ONLY_IF_DIFFERENT)
endforeach()

# Makes DIR afresh with COUNT empty subfolders f00000, f00001, ... for the folder chooser's test
# of a large folder. Made here, natively, this takes a moment; made through Wine one folder at a
# time it takes minutes, because Wine looks for every new name among all the others first.
#   cmake -DDIR=<folder> -DCOUNT=<n> -P MakeManyFolders.cmake
file(REMOVE_RECURSE "${DIR}")
math(EXPR last "${COUNT} - 1")
set(folders "")
foreach(i RANGE ${last})
    string(LENGTH "${i}" digits)
    math(EXPR padding "5 - ${digits}")
    string(REPEAT "0" ${padding} zeros)
    list(APPEND folders "${DIR}/f${zeros}${i}")
endforeach()
file(MAKE_DIRECTORY ${folders})

# cmake -DDIR=folder -DOUT=file -DFILES=a,b -P sha256sums.cmake: writes OUT
# in the form `sha256sum -c` reads (hash, two blanks, name), one line per file
# of DIR, in the order given.
string(REPLACE "," ";" FILES "${FILES}")
set(text "")
foreach(name ${FILES})
  file(SHA256 "${DIR}/${name}" hash)
  string(APPEND text "${hash}  ${name}\n")
endforeach()
file(WRITE "${OUT}" "${text}")

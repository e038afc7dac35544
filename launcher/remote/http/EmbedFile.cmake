# Writes INPUT as a C++ byte array named NAME into OUTPUT, so that a page kept as its own
# source file is part of the program without a resource to look up.
file(READ "${INPUT}" content HEX)
string(LENGTH "${content}" length)
math(EXPR bytes "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," content "${content}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" content "${content}")
file(WRITE "${OUTPUT}.tmp" "// Made from ${INPUT} by the build; do not edit.\nconst unsigned char ${NAME}[] = {\n${content}\n};\nconst unsigned long ${NAME}Size = ${bytes};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")

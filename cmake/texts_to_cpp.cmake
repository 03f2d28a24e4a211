# Turns a problem texts table into the bytes of kBuiltinProblemTexts, NUL
# terminated.  The table is UTF-8 of any content, so it goes over as numbers.
file(READ ${IN} content HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUT}.tmp
"// Generated from the problem texts table; do not edit.\nextern const unsigned char kBuiltinProblemTexts[];\nconst unsigned char kBuiltinProblemTexts[] = {\n    ${bytes}0};\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)

# Writes a C++ source holding the schema scripts as string literals.
file(READ ${GENERAL} TEXTO_GENERAL)
file(READ ${COMPANIA} TEXTO_COMPANIA)
file(WRITE ${SALIDA} "namespace esquema {\nextern const char* const kGuionGeneral;\nextern const char* const kGuionCompania;\nconst char* const kGuionGeneral = R\"ESQUEMA(${TEXTO_GENERAL})ESQUEMA\";\nconst char* const kGuionCompania = R\"ESQUEMA(${TEXTO_COMPANIA})ESQUEMA\";\n}\n")

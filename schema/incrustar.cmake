# Writes a C++ source holding the schema scripts as string literals.
file(READ ${GENERAL} TEXTO_GENERAL)
file(READ ${COMPANIA} TEXTO_COMPANIA)
file(READ ${DEMO} TEXTO_DEMO)
file(WRITE ${SALIDA} "namespace esquema {
extern const char* const kGuionGeneral;
extern const char* const kGuionCompania;
extern const char* const kGuionDemoCompania;
const char* const kGuionGeneral = R\"ESQUEMA(${TEXTO_GENERAL})ESQUEMA\";
const char* const kGuionCompania = R\"ESQUEMA(${TEXTO_COMPANIA})ESQUEMA\";
const char* const kGuionDemoCompania = R\"ESQUEMA(${TEXTO_DEMO})ESQUEMA\";
}
")

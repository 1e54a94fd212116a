-- General database (general.fdb): the company list and the users of the
-- business application. Run against an empty database:
--   isql-fb -q -bail -i general.sql <database>

CREATE TABLE COMPANIA (
  COMP_COD        VARCHAR(3) NOT NULL,
  COM_NOMBRE      VARCHAR(80),
  COMP_NIT        VARCHAR(20),
  COMP_LOGO       BLOB SUB_TYPE BINARY,
  COMP_DIR        VARCHAR(80),
  COMP_TELS       VARCHAR(40),
  COMP_ENCABEZADO BLOB SUB_TYPE TEXT,
  CONSTRAINT PK_COMPANIA PRIMARY KEY (COMP_COD)
);

-- Logins are Firebird users; this table only holds the application's
-- profile of each one, keyed by the upper-case user name.
CREATE TABLE USUARIO (
  USUA_COD        VARCHAR(31) NOT NULL,
  USUA_NOMBRE     VARCHAR(60),
  USUA_CLAVE      VARCHAR(40),
  USUA_PERFIL     VARCHAR(20),
  USUA_ACTIVO     CHAR(1) DEFAULT 'S',
  COMP_COD        VARCHAR(3),
  USUA_FECREG     TIMESTAMP DEFAULT CURRENT_TIMESTAMP,
  CONSTRAINT PK_USUARIO PRIMARY KEY (USUA_COD),
  CONSTRAINT CK_USUARIO_ACTIVO CHECK (USUA_ACTIVO IN ('S', 'N'))
);

COMMIT;

-- What the agent reads from the general database (general.fdb).
--   isql-fb -q -bail -i comprobar_general.sql <general database>
select COMP_COD, COM_NOMBRE, COMP_NIT, COMP_LOGO, COMP_DIR, COMP_TELS, COMP_ENCABEZADO from COMPANIA;
select * from COMPANIA;
select * from usuario;

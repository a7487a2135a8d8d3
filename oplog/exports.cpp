// The exported functions of Jornet. They arrive with the library's own work;
// until then the library is built, shipped and checked for its (empty) export
// list like the others.

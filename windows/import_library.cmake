# (Being built: the import library for ScriptHookRDR2.dll.)
add_library(scripthook_import INTERFACE)

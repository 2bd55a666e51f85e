// Resource ids of the module.
#define IDR_WINSTYLEPACKAGE 101

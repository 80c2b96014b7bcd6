// A library with the import factory alone, which no host may take for the module.
extern "C" void* ImportBND(void* /*manager*/)
{
    return nullptr;
}

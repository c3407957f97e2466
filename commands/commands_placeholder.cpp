// Placeholder so the library has a source until the catalogue lands.

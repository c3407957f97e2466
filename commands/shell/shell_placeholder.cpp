// Placeholder so the library has a source until the shell services land.

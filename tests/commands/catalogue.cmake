# Command catalogue and handler tests.

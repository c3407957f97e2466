# Shell service tests.

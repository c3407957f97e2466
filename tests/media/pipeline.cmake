# pipeline tests (added by their author).

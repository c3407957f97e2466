# audio tests (added by their author).

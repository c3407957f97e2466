# writer tests (added by their author).

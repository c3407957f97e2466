# media pipeline sources (added by their author).

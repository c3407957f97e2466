# Graph command builds (sources added by their author).

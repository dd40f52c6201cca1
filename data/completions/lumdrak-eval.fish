# fish completion for lumdrak-eval: its options and their values; expressions are not
# completed, so no file names are offered for them.
complete -c lumdrak-eval -f
complete -c lumdrak-eval -s c -x -a 'none 32 16 8' -d 'Force cast: narrow every value to that many bits'
complete -c lumdrak-eval -s u -d 'With -c: read the narrowed values as unsigned'
complete -c lumdrak-eval -s o -x -a 'bin\tbinary hex\thexadecimal dez\tdecimal f64\t"IEEE-754 double bits" f32\t"IEEE-754 float bits"' -d 'Output form'
complete -c lumdrak-eval -s C -l c-literals -d 'Read each expression as C first'
complete -c lumdrak-eval -s L -l literal -d 'Print each result as a literal for code'
complete -c lumdrak-eval -l raw -d 'Print shortest exact values, or error positions'
complete -c lumdrak-eval -s i -l include -r -F -d 'Include a file'
complete -c lumdrak-eval -s h -l help -d 'Print the help and exit'
complete -c lumdrak-eval -l version -d 'Print the version and exit'

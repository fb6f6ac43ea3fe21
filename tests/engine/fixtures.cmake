# Links cannot be made from inside Wine (CreateSymbolicLinkA creates nothing), so the link fixtures
# are laid out from the Linux side before the engine tests run. They live in the test's working
# folder as links/: walk/ holds plain files and a link to a folder outside, and outside/ must
# survive any Kill of walk/. temp/alias is a second name of temp/real, as "Local Settings\Temp" is
# of the user's Temp folder. (Wine shows a link to a file as a plain file, so file links cannot be
# told apart here; hard links stand in for them.) big/ holds one sparse 5 GiB file.
add_test(NAME engine_link_fixture
         COMMAND sh -c "rm -rf links && mkdir -p links/walk/sub links/outside links/big && \
echo keep > links/outside/keep.txt && \
echo a > links/walk/a.txt && echo b > links/walk/sub/b.txt && \
ln -s ../outside links/walk/escape && \
mkdir -p links/temp/real && printf ab > links/temp/real/one.tmp && printf cd > links/temp/real/two.log && \
ln -s real links/temp/alias && \
truncate -s 5G links/big/huge.bin"
         WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(engine_link_fixture PROPERTIES FIXTURES_SETUP engine_links)
set_tests_properties(engine PROPERTIES FIXTURES_REQUIRED engine_links)
